// Device events turned into what the transfer side waits on: the page counter
// (g_nDevicePages), the device state (m_devState) and the auto-reset event set with each state,
// the manual-duplex event, and the close message to the manual-duplex dialog. The scan control
// registers the callbacks with the device library; they run on its thread.
#pragma once

#include <windows.h>

class CScanJob;

// The device state the callback publishes and the event it sets with each.
int GetDevState();
void SetDevState(int nState);
// The auto-reset event made at the first job start; null before.
HANDLE DevStateEvent();

// The manual-duplex dialog's window while it is shown (the callback posts 0x568 to it).
void SetManualDuplexWindow(HWND hWnd);

// The device callbacks; the context is the current CScanJob.
int myScanCallBack(void* pContext, int nEvent, int nValue);
int myScanCallBackFB(void* pContext, int nEvent, int nValue);

// One device event of a feeder job.
void OnDeviceEvent(CScanJob& job, int nEvent);
