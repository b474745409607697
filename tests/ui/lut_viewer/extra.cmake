# The rendering test needs a real OpenGL context: it runs as one program under Xvfb (a private
# server, Mesa's software renderer) on the xcb platform, not on the offscreen one.
find_program(ORVALE_XVFB_RUN xvfb-run)
add_executable(ui_lut_viewer_render_tests lut_viewer/render/lut_render_test.cpp)
target_link_libraries(ui_lut_viewer_render_tests PRIVATE orvale_test_support orvale_ui_lut_viewer)
orvale_target_defaults(ui_lut_viewer_render_tests)
if(ORVALE_XVFB_RUN)
    add_test(NAME ui_lut_viewer_render
        COMMAND ${ORVALE_XVFB_RUN} -a -s "-screen 0 800x600x24"
                $<TARGET_FILE:ui_lut_viewer_render_tests>)
    # Mesa and the X libraries keep some allocations for the life of the process.
    set_tests_properties(ui_lut_viewer_render PROPERTIES TIMEOUT 120
        ENVIRONMENT "QT_QPA_PLATFORM=xcb;LIBGL_ALWAYS_SOFTWARE=1;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/lut_viewer/render/lsan.supp")
endif()
