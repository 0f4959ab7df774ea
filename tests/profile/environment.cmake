# Language table and file naming rules natively with sanitizers and under Wine; language
# selection, string loading and the file utilities under Wine, with the profile code and the
# English language library beside the test program.
mvl_test(profile_rules_tests PORTABLE SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/LanguageTableTests.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/FileNamingTests.cpp
  LIBS mvl_env_rules
)

mvl_test(profile_env_tests SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/LanguageTests.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/FileUtilsTests.cpp
  ${CMAKE_SOURCE_DIR}/profile/ProductProfile.cpp
  ${CMAKE_SOURCE_DIR}/profile/Language.cpp
  ${CMAKE_SOURCE_DIR}/profile/Resources.cpp
  ${CMAKE_SOURCE_DIR}/profile/FileUtils.cpp
  LIBS mvl_trace mvl_lang_state mvl_env_rules mvl_library_load shell32 advapi32 user32 gdi32
)
if(TARGET mvl_languages)
  add_dependencies(profile_env_tests mvl_languages)
endif()
