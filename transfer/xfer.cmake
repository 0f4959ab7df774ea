# Scan spool, scan thread and transfer handlers. The page layouts, the memory-transfer cursor,
# the feeder wait and the link to the save settings are portable and tested natively; the rest
# lives in the data source.
mvl_portable_library(mvl_xfer_core
  SOURCES TransferFlags.cpp ImgSaveLink.cpp DibLayout.cpp MemXferCursor.cpp NextPageWait.cpp TiffLayout.cpp
  LIBS mvl_trace mvl_imaging_core)

# The preview's reading, bands and re-processing: portable, tested natively.
mvl_portable_library(mvl_preview_core
  SOURCES PreviewReader.cpp
  LIBS mvl_xfer_core mvl_imaging_pipeline mvl_device_params)

if(WIN32)
  target_sources(mvlTWAIN64 PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ScanProgress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanJob.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeviceEvents.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SessionLink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XferSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanThread.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanSpool.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpoolRotation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpoolAutoAdjust.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DibBuilder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TiffFileWriter.cpp
  )
  target_link_libraries(mvlTWAIN64 PRIVATE mvl_xfer_core mvl_imaging_core)
endif()
