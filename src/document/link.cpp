#include "document/link.h"

CLink::CLink() {
    for (LINKPARAM& slot : m_HotLink)
        slot.nValue = kNoHotLink;
}

CLink::~CLink() {
    // The picture goes first, then the formula, as the element's owner expects.
    m_pPicture.reset();
    m_pFormula.reset();
}
