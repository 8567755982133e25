# Run when installing: writes the menu entry and the thumbnailer entry with the programs' installed
# paths, under the prefix of this very install (also one given to "cmake --install --prefix"), and
# installs them. Each install prefix gets its own copies in the build folder, removed afterwards, so
# that installs into several prefixes at the same time cannot hand one another's paths on.
# Set by the caller: PLAVIK_DESKTOP_DATA (the templates), PLAVIK_DESKTOP_OUT (a build folder),
# PLAVIK_INSTALL_BINDIR and PLAVIK_INSTALL_DATADIR (relative to the prefix, or absolute).

foreach(dir BINDIR DATADIR)
    set(PLAVIK_${dir} "${PLAVIK_INSTALL_${dir}}")
    if(NOT IS_ABSOLUTE "${PLAVIK_${dir}}")
        set(PLAVIK_${dir} "${CMAKE_INSTALL_PREFIX}/${PLAVIK_${dir}}")
    endif()
endforeach()

string(SHA1 plavik_install_key "$ENV{DESTDIR}|${CMAKE_INSTALL_PREFIX}")
set(plavik_entries "${PLAVIK_DESKTOP_OUT}/${plavik_install_key}")
configure_file("${PLAVIK_DESKTOP_DATA}/plavik.desktop.in" "${plavik_entries}/plavik.desktop" @ONLY)
configure_file("${PLAVIK_DESKTOP_DATA}/plavik.thumbnailer.in" "${plavik_entries}/plavik.thumbnailer" @ONLY)
file(INSTALL DESTINATION "${PLAVIK_DATADIR}/applications" TYPE FILE FILES "${plavik_entries}/plavik.desktop")
file(INSTALL DESTINATION "${PLAVIK_DATADIR}/thumbnailers" TYPE FILE FILES "${plavik_entries}/plavik.thumbnailer")
file(REMOVE_RECURSE "${plavik_entries}")
