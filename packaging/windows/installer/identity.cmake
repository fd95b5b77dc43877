# SPDX-License-Identifier: MIT
# What Windows knows the installers by, read by the project that builds them
# (packaging/windows/) and by their tests (packaging/windows/tests.cmake).
#
# The UpgradeCodes never change: Windows Installer finds an installed
# Kestrix of the same width by them and removes it when a later version is
# installed. The two widths have codes of their own, so that the 64-bit and
# the 32-bit Kestrix are two products that may be installed side by side.
set(KESTRIX_MSI_UPGRADE_CODE_x64 "4EBA83F0-9D5D-4D49-8409-2EC020E915FF")
set(KESTRIX_MSI_UPGRADE_CODE_x86 "06FC2326-597F-46D0-9E94-B07A64A78E64")

# The name under installed programs and of the Start-menu entry: the 32-bit
# one says so, since both may be listed at once.
set(KESTRIX_MSI_PRODUCT_NAME_x64 "Kestrix")
set(KESTRIX_MSI_PRODUCT_NAME_x86 "Kestrix (32-bit)")

# The project's maintainers (KESTRIX_MAINTAINER of the top CMakeLists.txt),
# as the Debian packages name their vendor.
set(KESTRIX_MSI_MANUFACTURER "${KESTRIX_MAINTAINER_NAME}")

# The feature that adds the files for programmers; ADDLOCAL names it.
set(KESTRIX_MSI_PROGRAMMER_FEATURE "Programmer")
