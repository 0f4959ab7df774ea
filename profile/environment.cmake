# Language and resources, file and path utilities. The rules (language table, file naming,
# DIB sizes, country codes) are portable; the registry, locale, resource and file system side
# is Windows code compiled into the data source.
mvl_portable_library(mvl_env_rules SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/LanguageTable.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/FileNaming.cpp
)

if(WIN32)
  # The selected language's process-wide state, apart from the selection, so that the dialogs
  # and controls that read it link without the registry and profile side.
  add_library(mvl_lang_state STATIC ${CMAKE_CURRENT_SOURCE_DIR}/LanguageState.cpp)
  target_include_directories(mvl_lang_state PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(mvl_lang_state PRIVATE mvl_win_defaults)

  target_sources(mvlTWAIN64 PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/Language.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/Resources.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/FileUtils.cpp
  )
  target_link_libraries(mvlTWAIN64 PRIVATE mvl_lang_state mvl_env_rules shell32 advapi32 user32 gdi32)
endif()

if(WIN32)
  # Libraries are loaded by full path only: the data source, its companions and their tests.
  add_library(mvl_library_load STATIC ${CMAKE_CURRENT_SOURCE_DIR}/LibraryLoad.cpp)
  target_include_directories(mvl_library_load PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(mvl_library_load PRIVATE mvl_win_defaults)
  target_link_libraries(mvlTWAIN64 PRIVATE mvl_library_load)
endif()
