# The page layouts, the memory-transfer cursor and the feeder wait: portable, natively and under Wine.
mvl_test(xfer_core_tests PORTABLE
  SOURCES DibLayoutTest.cpp MemXferCursorTest.cpp NextPageWaitTest.cpp
  LIBS mvl_xfer_core)
