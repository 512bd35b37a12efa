#include "settings/HotkeyText.h"

#include "foundation/AsciiCase.h"
#include "foundation/WideFormat.h"

#include <cwchar>

using tessvald::string::TextEquals;

namespace {

struct ModifierName
{
    UINT nFlag;
    const wchar_t* pszName;
};

constexpr ModifierName kModifiers[] = {
    { MOD_CONTROL, L"Ctrl" },
    { MOD_ALT, L"Alt" },
    { MOD_SHIFT, L"Shift" },
    { MOD_WIN, L"Win" },
};

// What a German keyboard prints on the keys whose stored name differs. A
// user who copies "Strg+Alt+A" from a message into the file means the same.
constexpr ModifierName kGermanModifiers[] = {
    { MOD_CONTROL, L"Strg" },
    { MOD_SHIFT, L"Umschalt" },
};
constexpr const wchar_t* kStoredSpace = L"Space";
constexpr const wchar_t* kGermanSpace = L"Leertaste";

constexpr UINT kModifierMask = MOD_CONTROL | MOD_ALT | MOD_SHIFT | MOD_WIN;
constexpr int kLastFunctionKey = 24;

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t';
}

std::wstring Trimmed(const std::wstring& text)
{
    std::size_t nStart = 0;
    std::size_t nEnd = text.size();
    while (nStart < nEnd && IsBlank(text[nStart]))
        ++nStart;
    while (nEnd > nStart && IsBlank(text[nEnd - 1]))
        --nEnd;
    return text.substr(nStart, nEnd - nStart);
}

UINT ModifierFlag(const std::wstring& part)
{
    for (const ModifierName& modifier : kModifiers) {
        if (TextEquals(part.c_str(), modifier.pszName, true))
            return modifier.nFlag;
    }
    for (const ModifierName& modifier : kGermanModifiers) {
        if (TextEquals(part.c_str(), modifier.pszName, true))
            return modifier.nFlag;
    }
    return 0;
}

bool IsFunctionKey(UINT nKey)
{
    return nKey >= VK_F1 && nKey < VK_F1 + kLastFunctionKey;
}

UINT KeyCode(const std::wstring& part)
{
    if (part.size() == 1) {
        const wchar_t ch = tessvald::string::AsciiUpper(part[0]);
        if ((ch >= L'A' && ch <= L'Z') || (ch >= L'0' && ch <= L'9'))
            return static_cast<UINT>(ch);
        return 0;
    }
    if (TextEquals(part.c_str(), kStoredSpace, true) || TextEquals(part.c_str(), kGermanSpace, true))
        return VK_SPACE;
    if (part.size() > 3 || (part[0] != L'F' && part[0] != L'f'))
        return 0;
    int nNumber = 0;
    for (std::size_t i = 1; i < part.size(); ++i) {
        if (part[i] < L'0' || part[i] > L'9')
            return 0;
        nNumber = nNumber * 10 + (part[i] - L'0');
    }
    if (part[1] == L'0' || nNumber < 1 || nNumber > kLastFunctionKey)
        return 0;
    return VK_F1 + static_cast<UINT>(nNumber - 1);
}

// A letter, digit or the space bar with nothing but Shift would fire on
// ordinary typing in every program.
bool TakesTyping(UINT nModifiers, UINT nKey)
{
    return !IsFunctionKey(nKey) && (nModifiers & ~static_cast<UINT>(MOD_SHIFT)) == 0;
}

bool IsValid(UINT nModifiers, UINT nKey)
{
    return nKey != 0 && (nModifiers & ~kModifierMask) == 0 && !TakesTyping(nModifiers, nKey);
}

std::wstring KeyName(UINT nKey)
{
    if ((nKey >= L'A' && nKey <= L'Z') || (nKey >= L'0' && nKey <= L'9'))
        return std::wstring(1, static_cast<wchar_t>(nKey));
    if (nKey == VK_SPACE)
        return kStoredSpace;
    if (IsFunctionKey(nKey))
        return L"F" + std::to_wstring(nKey - VK_F1 + 1);
    return std::wstring();
}

const wchar_t* GermanModifierName(const ModifierName& stored)
{
    for (const ModifierName& german : kGermanModifiers) {
        if (german.nFlag == stored.nFlag)
            return german.pszName;
    }
    return stored.pszName;
}

} // namespace

bool ParseHotkeyText(const wchar_t* pszText, UINT& nModifiers, UINT& nKey)
{
    if (pszText == nullptr)
        return false;
    const std::wstring text = pszText;
    UINT nFoundModifiers = 0;
    std::size_t nStart = 0;
    for (;;) {
        const std::size_t nPlus = text.find(L'+', nStart);
        const std::wstring part = Trimmed(text.substr(nStart, nPlus == std::wstring::npos ? nPlus : nPlus - nStart));
        if (part.empty())
            return false;
        if (nPlus == std::wstring::npos) {
            const UINT nFoundKey = KeyCode(part);
            if (!IsValid(nFoundModifiers, nFoundKey))
                return false;
            nModifiers = nFoundModifiers;
            nKey = nFoundKey;
            return true;
        }
        const UINT nFlag = ModifierFlag(part);
        if (nFlag == 0 || (nFoundModifiers & nFlag) != 0)
            return false;
        nFoundModifiers |= nFlag;
        nStart = nPlus + 1;
    }
}

std::wstring FormatHotkeyText(UINT nModifiers, UINT nKey)
{
    const std::wstring key = KeyName(nKey);
    if (key.empty() || !IsValid(nModifiers, nKey))
        return std::wstring();
    std::wstring text;
    for (const ModifierName& modifier : kModifiers) {
        if ((nModifiers & modifier.nFlag) != 0)
            text.append(modifier.pszName).append(L"+");
    }
    return text + key;
}

std::wstring GermanHotkeyText(UINT nModifiers, UINT nKey)
{
    const std::wstring key = KeyName(nKey);
    if (key.empty() || !IsValid(nModifiers, nKey))
        return std::wstring();
    std::wstring text;
    for (const ModifierName& modifier : kModifiers) {
        if ((nModifiers & modifier.nFlag) != 0)
            text.append(GermanModifierName(modifier)).append(L"+");
    }
    return text + (nKey == VK_SPACE ? kGermanSpace : key);
}
