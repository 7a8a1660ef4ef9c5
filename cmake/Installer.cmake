# The installer, dist/KarvexSetup.exe, made by makensis from what the two
# Windows builds put into dist/. Included by the umbrella build before the
# builds are added: they name the files they leave in dist/ as their
# products, so that the installer is made again exactly when one changed.
find_program(KX_MAKENSIS makensis REQUIRED)

file(GLOB kx_lang_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/lang/*.ini)
set(kx_put_lang "")
set(kx_remove_lang "")
set(kx_lang_products)
foreach(source ${kx_lang_sources})
  get_filename_component(name ${source} NAME)
  string(APPEND kx_put_lang "  File \"\${DIST_DIR}/Lang/${name}\"\n")
  string(APPEND kx_remove_lang "  Delete \"$INSTDIR\\Lang\\${name}\"\n")
  list(APPEND kx_lang_products ${KX_DIST_DIR}/Lang/${name})
endforeach()
set(kx_installer_gen ${CMAKE_BINARY_DIR}/installer)
file(CONFIGURE OUTPUT ${kx_installer_gen}/LangFiles.nsh CONTENT
  "!macro KX_PUT_LANG_FILES\n${kx_put_lang}!macroend\n!macro KX_REMOVE_LANG_FILES\n${kx_remove_lang}!macroend\n"
  @ONLY)

set(win32_products ${KX_DIST_DIR}/KXer.exe ${KX_DIST_DIR}/KXMExt.dll ${KX_DIST_DIR}/KXHelp.chm
    ${kx_lang_products})
set(win64_products ${KX_DIST_DIR}/KXMExt64.dll)

set(kx_setup ${KX_DIST_DIR}/KarvexSetup.exe)
file(GLOB kx_installer_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/installer/*)
add_custom_command(OUTPUT ${kx_setup}
  COMMAND ${KX_MAKENSIS} -V2 -INPUTCHARSET UTF8
          -DDIST_DIR=${KX_DIST_DIR} -DART_DIR=${CMAKE_SOURCE_DIR}/res/art
          -DGEN_DIR=${kx_installer_gen} -DOUT_FILE=${kx_setup}
          ${CMAKE_SOURCE_DIR}/installer/KarvexSetup.nsi
  DEPENDS ${kx_installer_sources} ${kx_installer_gen}/LangFiles.nsh
          ${CMAKE_SOURCE_DIR}/res/art/app.ico ${CMAKE_SOURCE_DIR}/res/art/setup-side.bmp
          ${win32_products} ${win64_products}
  COMMENT "Installer KarvexSetup.exe")
add_custom_target(installer ALL DEPENDS ${kx_setup})
