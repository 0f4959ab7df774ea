// The scanning dialog's scan without the window, kept apart from the dialog's own code: it
// belongs to the scan controller, and tests of the dialog replace it.
#include "ui/MainUIDialog.h"

int CMainUIDialog::StartScanWithoutUI()
{
    // No scan controller in this build yet: nothing starts.
    return 1;
}
