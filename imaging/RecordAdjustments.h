// The adjustment values the pipeline reads, taken from the scan-parameter record: what the
// preview re-processes with after every change on the advanced page and in its dialogs.
#pragma once

#include "device/ScanParamRecord.h"
#include "imaging/ImagePipeline.h"

_ImageAdjustments AdjustmentsFromRecord(const SScanParamRecord& rec);
