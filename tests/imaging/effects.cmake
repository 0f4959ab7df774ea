# The adjustment chain against a recording fake of the effect library, natively and under Wine.
mvl_test(imaging_pipeline_tests PORTABLE
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/RecordingEffects.h
    ${CMAKE_CURRENT_LIST_DIR}/ImagePipelineTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BlankOutsideAreaTests.cpp
  LIBS mvl_imaging_pipeline mvl_trace
)
