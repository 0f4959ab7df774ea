# The adjustment chain against a recording fake of the effect library, natively and under Wine.
mvl_test(imaging_pipeline_tests PORTABLE
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/RecordingEffects.h
    ${CMAKE_CURRENT_LIST_DIR}/ImagePipelineTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BlankOutsideAreaTests.cpp
  LIBS mvl_imaging_pipeline mvl_trace
)

# The binding through the real effect library and a stub lacking functions (Windows, under Wine).
if(WIN32)
  add_library(stubImgEffect SHARED ${CMAKE_CURRENT_LIST_DIR}/StubImgEffect.cpp)
  set_target_properties(stubImgEffect PROPERTIES PREFIX "" OUTPUT_NAME "stubImgEffect")
  target_link_libraries(stubImgEffect PRIVATE mvl_win_defaults)
  mvl_test(imgeffect_binding_tests
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/ImgEffectBindingTests.cpp
    LIBS mvl_imgeffect_binding mvl_imaging_pipeline mvl_trace
  )
  add_dependencies(imgeffect_binding_tests mvlImgEffect stubImgEffect)
endif()
