#pragma once

#include <string_view>
#include <vector>

#include "document/my_list.h"

namespace tessel::imaging {

// Gives every image element of the list that holds no picture one loaded from its file name,
// a Windows-style name found relative to strDirPrj (empty: the current directory), as the
// editor loads them. An element whose file does not load is left without a picture.
// Returns the number of image elements left without one, and gives their positions in the
// list (counted from 0) in pMissing when that is set. The list's cursor is left at the end.
int LoadListPictures(CMyList& list, std::string_view strDirPrj,
                     std::vector<int>* pMissing = nullptr);

}  // namespace tessel::imaging
