# Debian packages through CPack (`make package`): libzugui0 (the library and its data),
# libzugui-dev (headers, CMake package, pkg-config file) and zugui-demo. Dependencies on
# other packages come from the shared libraries each one links (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zugui)
set(CPACK_PACKAGE_VENDOR "zugui developers")
set(CPACK_PACKAGE_CONTACT "zugui developers <zugui@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "OpenGL desktop GUI toolkit for video applications")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL lib dev)
if(ZUGUI_DEMO)
  list(APPEND CPACK_COMPONENTS_ALL demo)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The demo links our own library, which no installed package provides yet: dpkg-shlibdeps
# finds it here and the demo names the package it comes in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
set(zugui_exact "libzugui0 (= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_LIB_PACKAGE_NAME libzugui0)
set(CPACK_DEBIAN_LIB_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_COMPONENT_LIB_DESCRIPTION
  "OpenGL desktop GUI toolkit for video applications: shared library and data")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libzugui-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# The headers include GL and X11 headers; the pkg-config file names these as private.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
  "${zugui_exact}, libgl-dev, libglu1-mesa-dev, libglew-dev, libx11-dev, libxrandr-dev, libxcursor-dev, libxi-dev, libfreetype-dev, libfontconfig-dev, libpng-dev, pkg-config")
set(CPACK_COMPONENT_DEV_DESCRIPTION
  "OpenGL desktop GUI toolkit for video applications: development files")

set(CPACK_DEBIAN_DEMO_PACKAGE_NAME zugui-demo)
set(CPACK_DEBIAN_DEMO_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_DEMO_PACKAGE_DEPENDS "${zugui_exact}")
set(CPACK_COMPONENT_DEMO_DESCRIPTION "OpenGL desktop GUI toolkit for video applications: demo host")

include(CPack)
