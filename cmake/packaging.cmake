# The release archive of the Windows builds:
#   cmake --build --preset mingw-i686 --target package
# gives build/mingw-i686/Tolvex-<version>-<arch>.zip with Tolvex.exe, tolvex-ini.exe, TolvexSetup.exe, the user's
# guide README.txt, LICENSE and example/Tolvex.ini (16 bits per pixel, 800 x 600, strict), written
# by tolvex-ini itself.

# The example is written by a build of tolvex-ini for the machine doing the build: the Windows
# build of the tool cannot run here. It is this same tree configured for the build machine with
# only the tool in it, so it is made from the very target (and source list) of the Windows one.
include(ExternalProject)
set(TOLVEX_HOST_TOOLS ${CMAKE_BINARY_DIR}/host-tools)
set(TOLVEX_HOST_INI ${TOLVEX_HOST_TOOLS}/bin/tolvex-ini)
ExternalProject_Add(tolvex_host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${TOLVEX_HOST_TOOLS}
  CMAKE_ARGS -DTOLVEX_TOOLS_ONLY=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=MinSizeRel
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${TOLVEX_HOST_INI}
  INSTALL_COMMAND "")

set(TOLVEX_EXAMPLE_INI ${CMAKE_BINARY_DIR}/example/Tolvex.ini)
add_custom_command(
  OUTPUT ${TOLVEX_EXAMPLE_INI}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/example
  COMMAND ${TOLVEX_HOST_INI} write --force -o ${TOLVEX_EXAMPLE_INI} 16 800 600 1
  DEPENDS tolvex_host_tools ${TOLVEX_HOST_INI}
  COMMENT "Writing the example settings file"
  VERBATIM)
add_custom_target(tolvex_example_settings ALL DEPENDS ${TOLVEX_EXAMPLE_INI})

# The archive carries the user's guide, not the developers' README.md: resources/README.txt,
# given CRLF line ends here so that every Windows editor shows its lines.
set(TOLVEX_USER_README ${CMAKE_BINARY_DIR}/README.txt)
add_custom_command(
  OUTPUT ${TOLVEX_USER_README}
  COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/resources/README.txt
          -DOUT=${TOLVEX_USER_README} -P ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/README.txt ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake
  COMMENT "Writing README.txt with CRLF line ends"
  VERBATIM)
add_custom_target(tolvex_user_readme ALL DEPENDS ${TOLVEX_USER_README})

install(TARGETS Tolvex tolvex-ini RUNTIME DESTINATION .)
# Tolvex Setup beside Tolvex.exe: the dialog copies Tolvex.exe from its own folder.
install(TARGETS TolvexSetup RUNTIME DESTINATION .)
install(FILES ${TOLVEX_USER_README} ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
install(FILES ${TOLVEX_EXAMPLE_INI} DESTINATION example)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TOLVEX_PACKAGE_ARCH win32)
else()
  set(TOLVEX_PACKAGE_ARCH win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tolvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Tolvex-${PROJECT_VERSION}-${TOLVEX_PACKAGE_ARCH})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
