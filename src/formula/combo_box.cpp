#include "formula/combo_box.h"

#include <algorithm>
#include <cstddef>

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares a with the first n bytes of b (n = a's length when bWhole is false), ASCII case
// ignored.
bool SameText(const std::string& a, const std::string& b, bool bWhole) {
    if (bWhole ? a.size() != b.size() : a.size() > b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(Lower(x)) < static_cast<unsigned char>(Lower(y));
    });
}

}  // namespace

void CCJComboBox::SetStyle(std::uint32_t nStyle) {
    m_nStyle = nStyle;
    if (!(nStyle & CBS_SORT)) return;
    std::string strSelected;
    if (m_nCurSel != CB_ERR) strSelected = m_items[m_nCurSel];
    std::stable_sort(m_items.begin(), m_items.end(), LessIgnoringCase);
    if (m_nCurSel != CB_ERR)
        m_nCurSel = static_cast<int>(std::find(m_items.begin(), m_items.end(), strSelected) -
                                     m_items.begin());
}

int CCJComboBox::SortedPosition(const std::string& strItem) const {
    return static_cast<int>(
        std::upper_bound(m_items.begin(), m_items.end(), strItem, LessIgnoringCase) -
        m_items.begin());
}

int CCJComboBox::AddString(const std::string& strItem) {
    const int nIndex = (m_nStyle & CBS_SORT) ? SortedPosition(strItem) : GetCount();
    return InsertString(nIndex, strItem);
}

int CCJComboBox::InsertString(int nIndex, const std::string& strItem) {
    if (nIndex == -1) nIndex = GetCount();
    if (nIndex < 0 || nIndex > GetCount()) return CB_ERR;
    m_items.insert(m_items.begin() + nIndex, strItem);
    if (m_nCurSel != CB_ERR && m_nCurSel >= nIndex) ++m_nCurSel;
    return nIndex;
}

int CCJComboBox::DeleteString(int nIndex) {
    if (nIndex < 0 || nIndex >= GetCount()) return CB_ERR;
    m_items.erase(m_items.begin() + nIndex);
    if (m_nCurSel == nIndex)
        m_nCurSel = CB_ERR;
    else if (m_nCurSel > nIndex)
        --m_nCurSel;
    return GetCount();
}

void CCJComboBox::ResetContent() {
    m_items.clear();
    m_nCurSel = CB_ERR;
    m_strEdit.clear();
}

int CCJComboBox::SetCurSel(int nIndex) {
    if (nIndex < 0 || nIndex >= GetCount()) {
        if (nIndex == -1) {
            m_nCurSel = CB_ERR;
            m_strEdit.clear();
        }
        return CB_ERR;
    }
    m_nCurSel = nIndex;
    m_strEdit = m_items[nIndex];
    return nIndex;
}

int CCJComboBox::GetLBText(int nIndex, std::string& strText) const {
    if (nIndex < 0 || nIndex >= GetCount()) return CB_ERR;
    strText = m_items[nIndex];
    return static_cast<int>(strText.size());
}

int CCJComboBox::GetLBTextLen(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetCount()) return CB_ERR;
    return static_cast<int>(m_items[nIndex].size());
}

int CCJComboBox::Find(int nStartAfter, const std::string& strText, bool bWhole) const {
    const int nCount = GetCount();
    if (nCount == 0) return CB_ERR;
    const int nFirst = nStartAfter < 0 || nStartAfter >= nCount ? 0 : nStartAfter + 1;
    for (int k = 0; k < nCount; ++k) {
        const int i = (nFirst + k) % nCount;
        if (SameText(strText, m_items[i], bWhole)) return i;
    }
    return CB_ERR;
}

int CCJComboBox::FindStringExact(int nStartAfter, const std::string& strText) const {
    return Find(nStartAfter, strText, true);
}

int CCJComboBox::FindString(int nStartAfter, const std::string& strText) const {
    return Find(nStartAfter, strText, false);
}

int CCJComboBox::SelectString(int nStartAfter, const std::string& strPrefix) {
    const int nIndex = FindString(nStartAfter, strPrefix);
    return nIndex == CB_ERR ? CB_ERR : SetCurSel(nIndex);
}
