# The page tests reach the pages' designer forms (ui_panel_*.h) by their object names.
set_property(TARGET ui_main_window_tests APPEND PROPERTY AUTOUIC_SEARCH_PATHS
    ${PROJECT_SOURCE_DIR}/ui/main_window)

# The Wayland session: the main window and a pattern in a headless weston, once at scale 1 and
# the pattern once more on an output of scale 2; screenshots go to build/normal/wayland-screenshots.
# What the compositor does with the windows does not depend on the sanitizers: the normal
# configuration runs it, which keeps CI's time for the rest.
if(NOT ORVALE_SANITIZE)
    add_test(NAME ui_wayland_session
        COMMAND ${PROJECT_SOURCE_DIR}/tests/support/headless_weston.sh
            $<TARGET_FILE:ui_main_window_tests> --gtest_filter=WaylandInASession.*)
    add_test(NAME ui_wayland_session_scaled
        COMMAND ${PROJECT_SOURCE_DIR}/tests/support/headless_weston.sh --scale 2
            $<TARGET_FILE:ui_main_window_tests> --gtest_filter=WaylandInASession.ThePattern*)
    set_tests_properties(ui_wayland_session ui_wayland_session_scaled PROPERTIES
        TIMEOUT 180 SKIP_RETURN_CODE 77
        ENVIRONMENT "ORVALE_SCREENSHOT_DIR=${PROJECT_BINARY_DIR}/wayland-screenshots")
endif()
