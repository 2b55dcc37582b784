# base/ knows no service and uses no other layer; the platform reaches the
# database through the system's ODBC: odbc32 on Windows (named plainly, so
# the module's static C++ runtime stays static), unixODBC elsewhere.
quorvel_layer(base)
if(WIN32)
    target_link_libraries(quorvel_base PUBLIC odbc32)
else()
    find_package(ODBC REQUIRED)
    target_link_libraries(quorvel_base PUBLIC ODBC::ODBC)
    # The worker thread keeps its module loaded through the dynamic loader.
    target_link_libraries(quorvel_base PUBLIC ${CMAKE_DL_LIBS})
endif()
