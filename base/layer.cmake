# base/ knows no service and uses no other layer; the platform reaches the
# database through the system's ODBC (unixODBC, or odbc32 on Windows).
quorvel_layer(base)
find_package(ODBC REQUIRED)
target_link_libraries(quorvel_base PUBLIC ODBC::ODBC)
