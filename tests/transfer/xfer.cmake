# The page layouts, the memory-transfer cursor, the feeder wait and the preview's reading (with the
# effect library's functions compiled in): portable, natively and under Wine.
mvl_test(xfer_core_tests PORTABLE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DibLayoutTest.cpp ${CMAKE_CURRENT_LIST_DIR}/MemXferCursorTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/TiffLayoutTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/NextPageWaitTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ImgSaveLinkTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PreviewReaderTest.cpp ${CMAKE_SOURCE_DIR}/imgeffect/ImgEffectExports.cpp
  LIBS mvl_xfer_core mvl_preview_core mvl_imgeffect_core)

# Acquisition through the data source under Wine, against the simulated scanner and a
# recording source manager.
if(WIN32)
  add_library(mvlxferdsm SHARED ${CMAKE_CURRENT_LIST_DIR}/XferDsm.cpp)
  set_target_properties(mvlxferdsm PROPERTIES PREFIX "" OUTPUT_NAME "mvlxferdsm")
  target_include_directories(mvlxferdsm PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(mvlxferdsm PRIVATE mvl_win_defaults)

  # A library planted where a bare name would find it; it marks its own loading.
  add_library(mvlplanted SHARED ${CMAKE_CURRENT_LIST_DIR}/PlantedLibrary.cpp)
  set_target_properties(mvlplanted PROPERTIES PREFIX "" OUTPUT_NAME "mvlplanted")
  target_include_directories(mvlplanted PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(mvlplanted PRIVATE mvl_win_defaults)

  mvl_test(xfer_dll_tests TIMEOUT 900
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/AcquisitionFixture.cpp ${CMAKE_CURRENT_LIST_DIR}/XferNativeTests.cpp
            ${CMAKE_CURRENT_LIST_DIR}/XferMemFileTests.cpp ${CMAKE_CURRENT_LIST_DIR}/XferCropTests.cpp
            ${CMAKE_CURRENT_LIST_DIR}/XferBatchTests.cpp ${CMAKE_CURRENT_LIST_DIR}/XferRotationTests.cpp
            ${CMAKE_CURRENT_LIST_DIR}/XferManagerTests.cpp ${CMAKE_SOURCE_DIR}/tests/twainscan/WicDecode.cpp
            ${CMAKE_CURRENT_LIST_DIR}/XferFlatMemoryTests.cpp ${CMAKE_CURRENT_LIST_DIR}/XferAdjustTests.cpp
    LIBS mvl_sim_core mvl_twainscan_core mvl_settings mvl_device_params mvl_imgeffect_binding mvl_imaging_pipeline
         ole32 windowscodecs uuid psapi)
  add_dependencies(xfer_dll_tests mvlxferdsm mvlplanted mvlTWAIN64 mvllld mvlImgEffect)
endif()
