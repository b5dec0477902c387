# The main window (TForm1), the routines through which the acquisition thread updates the windows,
# the Move arm shortcut and the registry of the program's windows.
target_sources(zavo_mainwindow PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/appwindows.cpp ${CMAKE_CURRENT_LIST_DIR}/appwindows.h
  ${CMAKE_CURRENT_LIST_DIR}/consolerules.cpp ${CMAKE_CURRENT_LIST_DIR}/consolerules.h
  ${CMAKE_CURRENT_LIST_DIR}/formupdates.h
  ${CMAKE_CURRENT_LIST_DIR}/formupdates_live.cpp
  ${CMAKE_CURRENT_LIST_DIR}/formupdates_status.cpp
  ${CMAKE_CURRENT_LIST_DIR}/keyfilter.cpp ${CMAKE_CURRENT_LIST_DIR}/keyfilter.h
  ${CMAKE_CURRENT_LIST_DIR}/tform1.h
  ${CMAKE_CURRENT_LIST_DIR}/tform1_controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tform1_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tform1_lifecycle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tform1_records.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tform1_scan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tform1_settings.cpp
)
target_link_libraries(zavo_mainwindow PUBLIC zavo_engine zavo_setup zavo_scalar zavo_appwindows)
