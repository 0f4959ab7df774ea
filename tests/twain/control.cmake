# The control messages and the enable/disable moves, through the real data source.
mvl_test(twain_control_tests SOURCES
  ControlTests.cpp
  EnableTests.cpp
  LIBS advapi32 gdi32 user32
)
