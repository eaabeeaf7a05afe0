# CPack settings for the Debian package: one package with the two updaters
# and the two emulators. The emulators are small, need no library the
# updaters do not already pull in, and are what a technician practises on
# and what the manual pages' examples run against, so they ship together.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${FIELDFLASH_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware-update tools for alarm panels and network modules")
set(CPACK_PACKAGE_DESCRIPTION
    "Console tools a service technician uses in the field to update device firmware.
panelflash updates an intrusion-alarm control panel over its USB serial port:
it checks the image file against the panel model, uploads it to the panel's
bootloader and sends the image's extension to the running firmware, guiding
the technician with prompts at each stage. moduleflash updates a network
module over a serial line or TCP and reports each stage as a numbered result
line. panel-emulator and module-emulator play both devices on a
pseudo-terminal or on loopback TCP, with injectable faults, for practice
and testing.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Directories the package creates get the usual modes whatever the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
