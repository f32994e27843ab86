# The Debian package: `cpack -G DEB` in a build directory makes karte_<version>_<arch>.deb, installed under /usr.
#
# Depends names every package the installed files need on Debian 12, written out rather than worked out by
# dpkg-shlibdeps, because some of them are invisible to it: the Qt platform plugins (loaded at start, without
# them the program cannot open a window on X11 or Wayland), the fonts (the one that draws polytonic Greek, and
# Liberation Serif, which has the measures of the face the windows are laid out in: Times New Roman) and
# espeak-ng's voice data, which its library reads when the Greek is first read aloud.

set(CPACK_PACKAGE_NAME karte)
set(CPACK_PACKAGE_VENDOR "Quarn Software")
set(KARTE_PACKAGE_MAINTAINER "Karte Cards maintainers <maintainers@karte.invalid>"
    CACHE STRING "Maintainer field of the Debian package: who builds it, with an address")
set(CPACK_PACKAGE_CONTACT "${KARTE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vocabulary trainer for New Testament Greek")
# Kept in lines of a terminal's width, which is how package tools show it.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Karte Cards drills word cards: the Greek side, then the English side, then"
    "the next card. It comes with a built-in set of the 1,125 words that occur at"
    "least ten times in the Greek New Testament, most frequent first, and lets you"
    "make, edit and password-protect card sets of your own.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY karte)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
# The lowest versions are those dpkg-shlibdeps finds for the symbols the programs use; Qt's is the one the build
# asks for.
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34)"
    "libstdc++6 (>= 11)"
    "libgcc-s1 (>= 3.0)"
    "libqt6core6 (>= 6.4)"
    "libqt6gui6 (>= 6.4)"
    "libqt6widgets6 (>= 6.4)"
    "libqt6charts6 (>= 6.4)"
    "libqt6multimedia6 (>= 6.4)"
    "qt6-qpa-plugins (>= 6.4)"
    "libsqlite3-0 (>= 3.36.0)"
    "libicu72 (>= 72.1~rc-1~)"
    "libsodium23 (>= 1.0.14)"
    "libespeak-ng1 (>= 1.51+dfsg)"
    "espeak-ng-data"
    "libxcb1 (>= 1.14)"
    "zlib1g (>= 1:1.2.0)"
    "fonts-sil-gentiumplus"
    "fonts-liberation2")
# A Wayland session runs the program through XWayland without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)

include(CPack)
