# The Windows build (cmake/mingw-w64-ARCH.cmake): the module as a DLL over
# the layers below it, and the Windows hosts that prove it.

# Net-SNMP for this target, static (scripts/windows.sh builds it).
set(KRW_NETSNMP_ROOT "" CACHE PATH "Net-SNMP built for this target: the folder of its include/ and lib/")
if(NOT EXISTS "${KRW_NETSNMP_ROOT}/lib/libnetsnmp.a")
  message(FATAL_ERROR "KRW_NETSNMP_ROOT holds no lib/libnetsnmp.a: build it with scripts/windows.sh")
endif()
add_library(NetSnmp::Static STATIC IMPORTED)
set_target_properties(NetSnmp::Static PROPERTIES
  IMPORTED_LOCATION "${KRW_NETSNMP_ROOT}/lib/libnetsnmp.a"
  INTERFACE_INCLUDE_DIRECTORIES "${KRW_NETSNMP_ROOT}/include"
  INTERFACE_LINK_LIBRARIES "ws2_32;iphlpapi;advapi32")

# Windows Vista's API (WSAPoll), no min/max macros, localtime_r and gmtime_r; the runtime of the
# compiler (libgcc, libstdc++, winpthreads) goes into each binary, so that
# they import only Windows' own DLLs.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600 _POSIX_THREAD_SAFE_FUNCTIONS)
add_link_options(-static)

add_subdirectory(platform)
add_subdirectory(snmplib)
add_subdirectory(common)
add_subdirectory(snmpfw)
add_subdirectory(plugin)
add_subdirectory(host/windows)

# The zip for Windows (cpack -G ZIP): the DLL, its public header, the
# example host with its source, and the README, whose Windows section says
# how a host loads the module.
install(TARGETS krw6180plug RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/plugin/KRW6180Plug.h DESTINATION include)
install(TARGETS list-clients-example RUNTIME DESTINATION example)
install(FILES ${CMAKE_SOURCE_DIR}/host/example/ListClients.c DESTINATION example)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
set(CPACK_PACKAGE_NAME krw6180plug)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
include(CPack)
