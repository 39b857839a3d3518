# The Debian package, built by scripts/package with "cpack -G DEB". Included
# at the end of the top-level CMakeLists.txt, after every install rule.
set(CPACK_PACKAGE_NAME varcel)
set(CPACK_PACKAGE_VENDOR "Varcel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(VARCEL_MAINTAINER "Varcel developers" CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${VARCEL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration utility of the Varcel gaming mouse")
set(CPACK_PACKAGE_DESCRIPTION "Varcel sets everything the Varcel USB gaming mouse (04D9:A09F) stores: \
the function of each button in two layers, up to twelve keyboard macros, the DPI stages, the report rate and \
the RGB lighting, and the desktop's pointer settings. It lives in the system tray and announces the switches \
made on the mouse itself. varcelctl does the same from the command line and exports and imports whole \
configurations as profiles.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VARCEL_HOMEPAGE})
# The package's dependencies are the libraries the programs link, as
# dpkg-shlibdeps finds them; the Qt platform plugin is not linked but needed
# to open a window, libpcap, libxcb and libwayland-client are opened when a
# capture is read and when the focus is watched, and libudev when the mouse
# is first looked for (GIO is GLib's package, which the programs link).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libpcap0.8, libxcb1, libwayland-client0, libudev1")
# Qt's translations give the toolkit's own buttons ("OK", "Cancel") in Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
