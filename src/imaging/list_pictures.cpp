#include "imaging/list_pictures.h"

#include <memory>

#include "document/link_slots.h"
#include "imaging/picture.h"
#include "platform/file_path.h"

namespace tessel::imaging {

int LoadListPictures(CMyList& list, std::string_view strDirPrj, std::vector<int>* pMissing) {
    int nMissing = 0, nIndex = -1;
    for (list.First(); list.IsInList(); list.Next()) {
        ++nIndex;
        CLink* pLink = list.GetCurr();
        if (pLink->m_nKind != kKindImage || pLink->m_pPicture) continue;
        std::string strPath = platform::ResolvePath(strDirPrj, slots::FileName(*pLink));
        auto pPicture = std::make_unique<CPicture>();
        if (pPicture->Load(strPath.c_str())) {
            pLink->m_pPicture = pPicture.release();
            continue;
        }
        ++nMissing;
        if (pMissing) pMissing->push_back(nIndex);
    }
    return nMissing;
}

}  // namespace tessel::imaging
