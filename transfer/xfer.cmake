# Scan spool, scan thread and transfer handlers. The page layouts, the memory-transfer cursor
# and the feeder wait are portable and tested natively; the rest lives in the data source.
mvl_portable_library(mvl_xfer_core
  SOURCES TransferFlags.cpp DibLayout.cpp MemXferCursor.cpp NextPageWait.cpp
  LIBS mvl_trace)
