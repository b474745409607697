# The page tests reach the pages' designer forms (ui_panel_*.h) by their object names.
set_property(TARGET ui_main_window_tests APPEND PROPERTY AUTOUIC_SEARCH_PATHS
    ${PROJECT_SOURCE_DIR}/ui/main_window)
