# libxlsxwriter and the zlib it compresses with, built for the target system
# from Debian's sources of them (`apt-get source libxlsxwriter zlib`, as
# .ci/install-deps fetches them): Debian packages neither for Windows.
#   orderdesk_xlsxwriter_from_source(XLSXWRITER_DIR ZLIB_DIR)
# defines the static library orderdesk_xlsxwriter with its headers. The C
# language is enabled at the top of the project.
function(orderdesk_xlsxwriter_from_source xlsxwriter_dir zlib_dir)
  file(GLOB zlib_sources ${zlib_dir}/*.c)
  add_library(orderdesk_zlib STATIC ${zlib_sources})
  target_include_directories(orderdesk_zlib SYSTEM PUBLIC ${zlib_dir})

  file(GLOB xlsxwriter_sources ${xlsxwriter_dir}/src/*.c)
  list(APPEND xlsxwriter_sources
    ${xlsxwriter_dir}/third_party/minizip/ioapi.c
    ${xlsxwriter_dir}/third_party/minizip/zip.c
    ${xlsxwriter_dir}/third_party/tmpfileplus/tmpfileplus.c
    ${xlsxwriter_dir}/third_party/md5/md5.c)
  add_library(orderdesk_xlsxwriter STATIC ${xlsxwriter_sources})
  target_include_directories(orderdesk_xlsxwriter SYSTEM PUBLIC ${xlsxwriter_dir}/include)
  # As the library's own build sets them for MinGW: 32-bit file offsets in
  # the zip writer, no zip encryption.
  target_compile_definitions(orderdesk_xlsxwriter PRIVATE USE_FILE32API NOCRYPT NOUNCRYPT)
  target_compile_options(orderdesk_xlsxwriter PRIVATE -w)
  target_link_libraries(orderdesk_xlsxwriter PUBLIC orderdesk_zlib)
endfunction()
