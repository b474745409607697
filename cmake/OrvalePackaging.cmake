# The Debian package, built by CPack from every install rule of the project (scripts/package).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Kestrel)
set(CPACK_PACKAGE_CONTACT "Kestrel Orvale Team <orvale@kestrel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control and colour-calibrate professional monitors")
# CPack puts the summary first; this is the extended description under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orvale controls professional LCD monitors over DDC/CI on the video cable:
picture modes, brightness and black level, custom modes made with a colour
wizard, picture-in-picture, colour-vision emulation, uniformity correction
and test patterns. Its ICC display profiles are made the display's default
in colord. The package also holds orvale-sim, which drives the simulated
monitors the program can run against, and a udev rule that gives the user
at the seat access to the I2C buses of the graphics adapters.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kestrel.example/orvale)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without the Wayland platform plugin a Wayland session silently runs the program through
# XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "colord, qt6-wayland")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/package)
include(CPack)
