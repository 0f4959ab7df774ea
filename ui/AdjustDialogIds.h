// Control ids of the image adjustment dialogs' templates (10371 brightness/contrast, 10372
// gamma/threshold, 10373 histogram, 10380 tone curve), shared by the dialogs, the language
// libraries' templates and the tests that drive the dialogs.
#pragma once

// Common: the plot frame, the channel list, Reset (the number fields check nothing when the
// focus moves to it) and Close (IDCANCEL).
#define IDC_ADJ_FRAME 10285
#define IDC_ADJ_CHANNEL 10470
#define IDC_ADJ_CHANNEL_LABEL 10471
#define IDC_ADJ_RESET 10146
// Brightness/contrast
#define IDC_ADJ_BRIGHT_LABEL 10472
#define IDC_ADJ_BRIGHT_EDIT 10473
#define IDC_ADJ_BRIGHT_SLIDER 10474
#define IDC_ADJ_CONTRAST_LABEL 10475
#define IDC_ADJ_CONTRAST_EDIT 10476
#define IDC_ADJ_CONTRAST_SLIDER 10477
// Gamma/threshold
#define IDC_ADJ_GAMMA_LABEL 10478
#define IDC_ADJ_GAMMA_EDIT 10479
#define IDC_ADJ_GAMMA_SLIDER 10480
#define IDC_ADJ_GAMMA_MIN 10481
#define IDC_ADJ_GAMMA_MAX 10482
#define IDC_ADJ_THRESHOLD_LABEL 10483
#define IDC_ADJ_THRESHOLD_EDIT 10484
#define IDC_ADJ_THRESHOLD_SLIDER 10485
#define IDC_ADJ_THRESHOLD_MIN 10486
#define IDC_ADJ_THRESHOLD_MAX 10487
#define IDC_ADJ_HALFTONE 10488
// Histogram
#define IDC_ADJ_STATS 10290
// Tone curve
#define IDC_ADJ_PRESET 10294
#define IDC_ADJ_PRESET_LABEL 10489
