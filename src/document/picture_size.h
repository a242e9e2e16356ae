#pragma once

class CPicture;  // imaging layer

namespace tessel {

// The size of a loaded picture, for code below the imaging layer that holds an element's
// picture without knowing its class (the HTML writer). The picture class installs the query
// when it constructs its first object, so any element that holds a picture can be asked.
using PictureSizeQuery = bool (*)(const CPicture* pPicture, int* pnWidth, int* pnHeight);

void InstallPictureSizeQuery(PictureSizeQuery pfnQuery);

// The picture's width and height in pixels; false when there is no picture, it is not
// loaded, or no picture was ever constructed.
bool QueryPictureSize(const CPicture* pPicture, int* pnWidth, int* pnHeight);

}  // namespace tessel
