# The effect library binding and the adjustment pipeline.
mvl_portable_library(mvl_imaging_pipeline SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ImagePipeline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BlankOutsideArea.cpp
  LIBS mvl_trace
)

if(WIN32)
  target_sources(mvlTWAIN64 PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ImgEffectBinding.cpp)
  target_link_libraries(mvlTWAIN64 PRIVATE mvl_imaging_pipeline)
endif()
