// One instance of each triplet handler, constructed at library load in this order
// (the handler map itself exists before the first of them registers).
#include "transfer/MsgImageFileXfer.h"
#include "transfer/MsgImageInfo.h"
#include "transfer/MsgImageLayout.h"
#include "transfer/MsgImageMemXfer.h"
#include "transfer/MsgImageNativeXfer.h"
#include "transfer/MsgPendingXfer.h"
#include "twain/MsgCapability.h"
#include "twain/MsgEntryPoint.h"
#include "twain/MsgIdentity.h"
#include "twain/MsgInterface.h"
#include "twain/MsgPallette8.h"
#include "twain/MsgSetupFileXfer.h"
#include "twain/MsgSetupMemXfer.h"
#include "twain/MsgStatus.h"
#include "twain/MsgXferGroup.h"

CMsgIdentity g_msgIdentity;
CMsgInterface g_msgInterface;
CMsgXferGroup g_msgXferGroup;
CMsgCapability g_msgCapability;
CMsgImageInfo g_msgImageInfo;
CMsgImageFileXfer g_msgImageFileXfer;
CMsgImageMemXfer g_msgImageMemXfer;
CMsgImageNativeXfer g_msgImageNativeXfer;
CMsgSetupFileXfer g_msgSetupFileXfer;
CMsgSetupMemXfer g_msgSetupMemXfer;
CMsgStatus g_msgStatus;
CMsgPendingXfer g_msgPendingXfer;
CMsgImageLayout g_msgImageLayout;
CMsgPallette8 g_msgPallette8;
CMsgEntryPoint g_msgEntryPoint;
