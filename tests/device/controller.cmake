# The scan controller's space checks: portable, natively and under Wine.
mvl_test(controller_core_tests PORTABLE
  SOURCES SpaceCheckTest.cpp
  LIBS mvl_controller_core)
