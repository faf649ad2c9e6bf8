# The desktop window: layout, window procedure, painting.
add_library(lumibox_ui STATIC main_window.cpp)
target_include_directories(lumibox_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(lumibox_ui PUBLIC lumibox_icon lumibox_core Qt6::Widgets Qt6::Gui)
