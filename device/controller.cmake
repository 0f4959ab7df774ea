# The scan controller: the space checks are portable; the controller itself, its device
# callbacks and the scan-time dialogs are part of the data source.
mvl_portable_library(mvl_controller_core SOURCES SpaceCheck.cpp)
