#pragma once

// Stand-ins for the picture and formula objects that an element owns. The imaging layer is
// not linked into the document tests, so these definitions only record when they are freed.

#include <string>
#include <vector>

inline std::vector<std::string>& DestroyedObjects() {
    static std::vector<std::string> log;
    return log;
}

class CPicture {
  public:
    explicit CPicture(std::string name) : m_strName(std::move(name)) {}
    ~CPicture() { DestroyedObjects().push_back("picture " + m_strName); }
    std::string m_strName;
};

class CFormula {
  public:
    explicit CFormula(std::string name) : m_strName(std::move(name)) {}
    virtual ~CFormula() { DestroyedObjects().push_back("formula " + m_strName); }
    std::string m_strName;
};

// The formula module hands out derived objects; the element must free them whole.
class CDerivedFormula : public CFormula {
  public:
    using CFormula::CFormula;
    ~CDerivedFormula() override { DestroyedObjects().push_back("derived " + m_strName); }
};
