# The scan plot: pure geometry, the curve and axes painters, and the plot's widgets. A library of its
# own, so the plot builds and tests without the rest of the main window; zavo_mainwindow carries it.
add_library(zavo_plot STATIC
  ${CMAKE_CURRENT_LIST_DIR}/plotgeometry.cpp ${CMAKE_CURRENT_LIST_DIR}/plotgeometry.h
  ${CMAKE_CURRENT_LIST_DIR}/plotcurve.cpp ${CMAKE_CURRENT_LIST_DIR}/plotcurve.h
  ${CMAKE_CURRENT_LIST_DIR}/plotaxes.cpp ${CMAKE_CURRENT_LIST_DIR}/plotaxes.h
  ${CMAKE_CURRENT_LIST_DIR}/plotcursors.cpp ${CMAKE_CURRENT_LIST_DIR}/plotcursors.h
  ${CMAKE_CURRENT_LIST_DIR}/plotwidgets.cpp ${CMAKE_CURRENT_LIST_DIR}/plotwidgets.h
  ${CMAKE_CURRENT_LIST_DIR}/scanplot.cpp ${CMAKE_CURRENT_LIST_DIR}/scanplot.h
  ${CMAKE_CURRENT_LIST_DIR}/scanplotpaint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scanplotzoom.cpp
)
target_include_directories(zavo_plot PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(zavo_plot PUBLIC zavo_records Qt6::Widgets)
target_link_libraries(zavo_mainwindow PUBLIC zavo_plot)
