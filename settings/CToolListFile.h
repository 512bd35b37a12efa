#pragma once

#include "settings/CRecord.h"

#include <windows.h>

#include <vector>

// The tool list as an editor reads it to change it and writes it back:
// the named tools in list order from one look at the settings file, with a
// digest of the bytes they came from, so that a save can tell whether
// someone else changed the file meanwhile.
class CToolListFile
{
public:
    CToolListFile();
    CToolListFile(const CToolListFile&) = delete;
    CToolListFile& operator=(const CToolListFile&) = delete;
    virtual ~CToolListFile();

    // False while the file is there but cannot be read (another program
    // holds it); g_config's GetReadError tells why. A missing file is an
    // empty list. A section without a name gives no tool.
    bool Read();
    const std::vector<CRecord>& Tools() const { return m_tools; }
    std::vector<CRecord>& Tools() { return m_tools; }

    // Whether the file on disk still holds the bytes that were read, judged
    // by their digest, not by size and time (an editor may keep both, or a
    // change may land within one clock tick). A file that cannot be read
    // now tells nothing and counts as unchanged: the save will say why it
    // fails.
    bool IsUnchangedOnDisk() const;

private:
    std::vector<CRecord> m_tools;
    unsigned long long m_nHash;
};
