#include "document/picture_size.h"

#include <atomic>

namespace tessel {
namespace {
std::atomic<PictureSizeQuery> g_pfnPictureSize{nullptr};
}

void InstallPictureSizeQuery(PictureSizeQuery pfnQuery) {
    g_pfnPictureSize.store(pfnQuery, std::memory_order_release);
}

bool QueryPictureSize(const CPicture* pPicture, int* pnWidth, int* pnHeight) {
    PictureSizeQuery pfn = g_pfnPictureSize.load(std::memory_order_acquire);
    return pPicture && pfn && pfn(pPicture, pnWidth, pnHeight);
}

}  // namespace tessel
