// AfxMessageBox: the application's message boxes, with a text or a string-table id.
#include "framework/MessageBox.h"

#include "framework/AppState.h"
#include "framework/CString.h"
#include "platform/SystemCalls.h"

int AfxMessageBox(const char *text, UINT type, UINT) {
    return sys.MessageBoxA(AfxGetMainWindowHandle(), text, AfxGetAppName(), type);
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
    CString text;
    text.LoadString(promptId);
    return AfxMessageBox(text.GetString(), type, helpId);
}
