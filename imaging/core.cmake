# Pixel conversions, automatic crop, deskew and rotation: portable, linked by the data source.
mvl_portable_library(mvl_imaging_core
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PixelConvert.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PixelConvertAvx2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PageRows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ImagingThreads.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AutoCrop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CropRowKernel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CropRowKernelAvx2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Deskew.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeskewEdges.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeskewRowKernel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeskewRowKernelAvx2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeskewHough.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeskewBound.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeskewBoundAvx2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Rotate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RotateAvx2.cpp
  LIBS mvl_trace)
# Rotation evaluates its single-precision formula exactly as written: no fused multiply-add.
target_compile_options(mvl_imaging_core PRIVATE -ffp-contract=off)
# The page loops are written for the vectoriser.
set_source_files_properties(
  ${CMAKE_CURRENT_LIST_DIR}/AutoCrop.cpp ${CMAKE_CURRENT_LIST_DIR}/CropRowKernel.cpp ${CMAKE_CURRENT_LIST_DIR}/PageRows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PixelConvert.cpp ${CMAKE_CURRENT_LIST_DIR}/Deskew.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeskewEdges.cpp ${CMAKE_CURRENT_LIST_DIR}/DeskewHough.cpp ${CMAKE_CURRENT_LIST_DIR}/DeskewBound.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeskewRowKernel.cpp
  PROPERTIES COMPILE_OPTIONS "-O3")
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|amd64" OR WIN32)
  target_compile_definitions(mvl_imaging_core PRIVATE MVL_IMAGING_AVX2)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/RotateAvx2.cpp ${CMAKE_CURRENT_LIST_DIR}/PixelConvertAvx2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeskewBoundAvx2.cpp ${CMAKE_CURRENT_LIST_DIR}/CropRowKernelAvx2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeskewRowKernelAvx2.cpp PROPERTIES COMPILE_OPTIONS "-mavx2;-O3")
  if(WIN32)
    # The Windows x64 stack is only 16-byte aligned and GCC cannot realign it for spilled
    # 32-byte registers: have the assembler use unaligned moves throughout.
    set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/RotateAvx2.cpp ${CMAKE_CURRENT_LIST_DIR}/PixelConvertAvx2.cpp
      ${CMAKE_CURRENT_LIST_DIR}/DeskewBoundAvx2.cpp ${CMAKE_CURRENT_LIST_DIR}/CropRowKernelAvx2.cpp
      ${CMAKE_CURRENT_LIST_DIR}/DeskewRowKernelAvx2.cpp APPEND PROPERTY COMPILE_OPTIONS "-Wa,-muse-unaligned-vector-move")
  endif()
endif()
