# Scan steps per second through the main window's update routines (run with QT_QPA_PLATFORM=offscreen).
zavo_add_bench(bench_form
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_form.cpp
          ${CMAKE_SOURCE_DIR}/tests/mainwindow/form_fixtures.cpp
  LIBS zavo_gui zavo_simulator Qt6::Test
)
target_include_directories(bench_form PRIVATE ${CMAKE_SOURCE_DIR}/tests/mainwindow)
