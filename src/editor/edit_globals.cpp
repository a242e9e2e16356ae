// State shared by every editor of the process, used on the user-interface thread only.
#include "editor/tessel_edit.h"

int g_nFocusEdit = -1;
unsigned int g_nClipFormat = 0;
CSymbolDlg* g_pSymbolDlg = nullptr;
DoubleByteBuffer g_DoubleByte;
CMyList* g_pClipList = nullptr;
unsigned long g_nClipSerial = 0;
