# Pixel conversions, automatic crop, deskew and rotation, each checked against a literal
# reference transcription in ImagingOracle.cpp.
mvl_test(imaging_core_tests PORTABLE
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ImagingOracle.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SyntheticPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PixelConvertTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AutoCropTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeskewTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RotateTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OracleEqualityTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KernelVersionsTest.cpp
  LIBS mvl_imaging_core mvl_trace)
