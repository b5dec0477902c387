# The main window, its start-up and the thread's window routines (offscreen platform).
zavo_add_test(test_form
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/form_fixtures.cpp ${CMAKE_CURRENT_LIST_DIR}/form_fixtures.h
    ${CMAKE_CURRENT_LIST_DIR}/form_rules_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form_window_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form_keys_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form_scan_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form_devicesetup_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form_dialogs_test.cpp
  LIBS zavo_gui zavo_simulator Qt6::Test
)
