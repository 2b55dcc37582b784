# Run by CPack once the packages are made: prints the size of each binary
# as it went in (stripped) and of each package.
file(GLOB binaries LIST_DIRECTORIES false
     ${CPACK_TEMPORARY_DIRECTORY}/*.dll ${CPACK_TEMPORARY_DIRECTORY}/*.exe
     ${CPACK_TEMPORARY_DIRECTORY}/*.so ${CPACK_TEMPORARY_DIRECTORY}/quorvel-*)
list(REMOVE_DUPLICATES binaries)
foreach(binary IN LISTS binaries)
    if(NOT IS_DIRECTORY ${binary})
        file(SIZE ${binary} size)
        get_filename_component(name ${binary} NAME)
        message(STATUS "${name} (stripped): ${size} bytes")
    endif()
endforeach()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    file(SIZE ${package} size)
    get_filename_component(name ${package} NAME)
    message(STATUS "${CPACK_PACKAGE_DIRECTORY}/${name}: ${size} bytes")
endforeach()
