# The Debian package: `cpack -G DEB` in a build folder configured with CMAKE_INSTALL_PREFIX=/usr
# (scripts/package.sh does both). Dependencies on shared libraries are computed by
# dpkg-shlibdeps (package dpkg-dev); the rest are what the program needs at run time beyond them.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tolvy-sarnavel")
set(CPACK_PACKAGE_VENDOR "${TOLVY_PUBLISHER}")
set(CPACK_PACKAGE_CONTACT "${TOLVY_CONTACT}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "oracle read from the Tibetan prayer beads")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "tolvy-sarnavel")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
# Files of the program only: no components, no stray folders of the build host.
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_PACKAGE_CHECKSUM SHA256)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A package built on Debian names the release it was built for and depends on ("1.0-1+deb13"), so
# that the Debian 12 and Debian 13 packages cannot be mistaken for one another; the later release's
# sorts after the earlier's, as a system upgrade wants.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
if(EXISTS /etc/os-release)
    file(STRINGS /etc/os-release tolvy_os REGEX "^(ID|VERSION_ID)=")
    if("ID=debian" IN_LIST tolvy_os)
        list(FILTER tolvy_os INCLUDE REGEX "^VERSION_ID=")
        string(REGEX REPLACE "^VERSION_ID=\"?([0-9]+).*" "\\1" tolvy_debian "${tolvy_os}")
        if(tolvy_debian MATCHES "^[0-9]+$")
            set(CPACK_DEBIAN_PACKAGE_RELEASE "1+deb${tolvy_debian}")
        endif()
    endif()
endif()
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TOLVY_CONTACT}")
# Not "games": that section holds programs installed under /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION "misc")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${TOLVY_PRODUCT_HOST}/")
# The long text under the synopsis above; CPack indents it and marks the empty line as a
# paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tolvy Sarnavel reads an oracle from the Tibetan mala, the string of 108
prayer beads used for meditation and prayer. Type your name, think of your
question and count the beads three times: each count draws one of three
omens, the Falcon, the Raven or the Snow Lion, and shows its beads and what
it means.

Menus and links open the maker's web pages in the default web browser.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The layout is measured against DejaVu Sans, the stand-in for the windows' Verdana.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
# xdg-open hands the web pages to the browser. On a Wayland desktop the program goes through
# XWayland, where it can centre its windows and keep one on top; the Wayland plugin serves a
# session without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, xwayland, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
