# The effect library binding and the adjustment pipeline.
mvl_portable_library(mvl_imaging_pipeline SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ImagePipeline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BlankOutsideArea.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordAdjustments.cpp
  LIBS mvl_trace
)

if(WIN32)
  # The binding lives in whatever module links it and loads the library from that module's folder.
  add_library(mvl_imgeffect_binding STATIC ${CMAKE_CURRENT_LIST_DIR}/ImgEffectBinding.cpp)
  target_include_directories(mvl_imgeffect_binding PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(mvl_imgeffect_binding PUBLIC mvl_trace PRIVATE mvl_library_load mvl_win_defaults)
  target_link_libraries(mvlTWAIN64 PRIVATE mvl_imgeffect_binding mvl_imaging_pipeline)
endif()
