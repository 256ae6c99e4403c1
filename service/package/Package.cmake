# The Debian package tarvik-service, made by CPack's DEB generator from the
# program this build made (scripts/package; `cpack -G DEB` in the build
# folder): the program, the man page, the systemd unit, the sysusers entry
# for the user tarvik, the conffile /etc/tarvik/service.conf and the
# maintainer scripts beside this file. dpkg-shlibdeps finds the runtime
# libraries' packages.
#
# The install rules are the package's layout (prefix "/"); they are not meant
# for `cmake --install` onto a machine.
set(pkg ${CMAKE_CURRENT_LIST_DIR})
set(doc ${CMAKE_CURRENT_BINARY_DIR}/package-doc)

# Debian wants the man page and the changelog gzipped at the highest level,
# without a time stamp in the gzip header.
add_custom_command(
  OUTPUT ${doc}/tarvik-service.1.gz ${doc}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${doc}
  COMMAND gzip -9nc ${pkg}/tarvik-service.1 > ${doc}/tarvik-service.1.gz
  COMMAND gzip -9nc ${pkg}/changelog > ${doc}/changelog.gz
  DEPENDS ${pkg}/tarvik-service.1 ${pkg}/changelog
  VERBATIM)
add_custom_target(tarvik_service_package_doc DEPENDS ${doc}/tarvik-service.1.gz ${doc}/changelog.gz)
add_dependencies(tarvik-service tarvik_service_package_doc)

# The changelog's newest entry names the version the package carries.
file(STRINGS ${pkg}/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^tarvik-service \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "service/package/changelog: the newest entry is not version ${PROJECT_VERSION}")
endif()

install(TARGETS tarvik-service RUNTIME DESTINATION usr/bin)
# Stripped as dh_strip strips a program: symbols, the compiler's .comment and .note.
install(CODE "execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment --remove-section=.note
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/usr/bin/tarvik-service\" COMMAND_ERROR_IS_FATAL ANY)")
install(FILES ${doc}/tarvik-service.1.gz DESTINATION usr/share/man/man1)
install(FILES ${doc}/changelog.gz ${pkg}/copyright DESTINATION usr/share/doc/tarvik-service)
install(FILES ${pkg}/service.conf DESTINATION etc/tarvik)
install(FILES ${pkg}/tarvik-service.service DESTINATION lib/systemd/system)
install(FILES ${pkg}/sysusers.conf DESTINATION usr/lib/sysusers.d RENAME tarvik-service.conf)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvik-service)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(TARVIK_PACKAGE_MAINTAINER "Tarvik maintainers <maintainers@tarvik.example>"
  CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TARVIK_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vehicle-parts ordering service and update server")
# CPack writes the summary as the synopsis and indents these lines below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The web service the Tarvik ordering program talks to: log-in, the
supplier's catalogue, orders, notes and the program's own updates, on
SQLite or PostgreSQL. It runs as a systemd service under its own user,
reads /etc/tarvik/service.conf, logs one line a request to the journal,
gives its numbers to Prometheus and takes online backups of its SQLite
database.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# systemd-sysusers makes the user (what dh_installsysusers asks for).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "systemd | systemd-standalone-sysusers | systemd-sysusers")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${pkg}/conffiles ${pkg}/postinst ${pkg}/prerm ${pkg}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
