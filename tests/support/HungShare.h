#pragma once

#include <string>

namespace testsupport {

// The root of a drive whose server stopped answering (scripts/test mounts
// one where the machine has /dev/fuse): "icon.ico" in it opens but its
// reads never return, and nothing inside "dead" can be looked up. Empty
// when there is none; tests that need it are skipped with kNoHungShare.
std::wstring HungSharePath();

constexpr char kNoHungShare[] = "no share that stops answering here (scripts/test mounts one where /dev/fuse exists)";

} // namespace testsupport
