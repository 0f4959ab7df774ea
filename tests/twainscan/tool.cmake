# twainscan.exe run as a separate process: against a fake source installed per test, and
# against the real data source with the simulated scanner installed per test.
mvl_test(twainscan_tool_tests SOURCES
  ToolTests.cpp
  ToolTransferTests.cpp
  RealSourceTests.cpp
  RealSourceFailureTests.cpp
  RealInstall.cpp
  ToolRunner.cpp
  WicDecode.cpp
  FakeInstall.cpp
  FakePage.cpp
  LIBS mvl_twainscan_core mvl_sim_core ole32 windowscodecs uuid
)
add_dependencies(twainscan_tool_tests twainscan twaindsm mvlfakesource)

# The simulated scanner's page as a file, for scripts that check scanned files.
add_executable(mvlsimpage SimPageTool.cpp)
target_link_libraries(mvlsimpage PRIVATE mvl_sim_core mvl_win_defaults)

# The README's main job on this tree's binaries, its pages checked against the simulator.
# It makes a prefix of its own from the tests' template and takes a lane's place while it runs.
add_test(NAME twainscan_main_job
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/main-job-check.sh ${CMAKE_BINARY_DIR}/bin ${CMAKE_BINARY_DIR}/mainjob
          ${MVL_WINEPREFIX})
set_tests_properties(twainscan_main_job PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED wineprefix RESOURCE_GROUPS lanes:1)
