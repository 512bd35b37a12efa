#include "settings/CToolListFile.h"

#include "settings/CConfig.h"
#include "settings/ProfileFormat.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLayout.h"

#include <string>

CToolListFile::CToolListFile() : m_nHash(0)
{
}

CToolListFile::~CToolListFile() = default;

bool CToolListFile::Read()
{
    CConfigReadBatch batch(g_config);
    if (!g_config.IsReadable())
        return false;
    m_tools.clear();
    m_nHash = g_config.GetContentHash();
    ULONG nCount = 0;
    if (!ReadToolCount(nCount))
        return true;
    CRecord record;
    for (ULONG nTool = 1; nTool <= nCount; ++nTool) {
        record.Reset();
        SetToolSection(record, nTool);
        if (ReadRecord(&record) && !record.m_strName.IsEmpty())
            m_tools.push_back(record);
    }
    return true;
}

bool CToolListFile::IsUnchangedOnDisk() const
{
    std::string bytes;
    if (ReadWholeFile(g_config.GetFileName(), bytes))
        return HashProfileBytes(bytes) == m_nHash;
    return !IsMissingFileError(GetLastError()) || m_nHash == 0;
}
