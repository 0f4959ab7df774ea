# twainscan.exe run as a separate process against the fake source installed per test.
mvl_test(twainscan_tool_tests SOURCES
  ToolTests.cpp
  ToolTransferTests.cpp
  ToolRunner.cpp
  FakeInstall.cpp
  FakePage.cpp
  LIBS mvl_twainscan_core ole32 windowscodecs uuid
)
add_dependencies(twainscan_tool_tests twainscan twaindsm mvlfakesource)
