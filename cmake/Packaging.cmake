# cpack -G DEB: a Debian package of everything `cmake --install` puts in place, its library
# dependencies computed by dpkg-shlibdeps from the built programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sitekanri)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Sitekanri developers")
set(SITEKANRI_MAINTAINER "The Sitekanri developers <sitekanri@example.org>"
    CACHE STRING "Maintainer of the Debian package, as \"Name <address>\"")
set(CPACK_PACKAGE_CONTACT ${SITEKANRI_MAINTAINER})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not libraries, so dpkg-shlibdeps cannot see them: the Japanese font the window is laid out in,
# Qt's Japanese standard dialogs, and the opener that hands sites to the web browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, fonts-dejavu-core, qt6-translations-l10n, xdg-utils")
# The control file has one language per field: the Japanese text follows the English in the long
# description.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "register of web sites and writer of link collections")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "サイト管理 keeps a personal register of web sites: a name, the address, up to
three keywords and a description for each, in Shift-JIS INI files that the
Windows version reads and writes too. From the register it writes the HTML
code of link collections. The window is in Japanese; sitekanri-cli lists the
register and writes link collections from the command line.

サイト管理は、よく見るサイトやリンクを登録して一覧にし、その一覧から
ホームページに貼り付けるリンク集の HTML コードを作るプログラムです。")

include(CPack)
