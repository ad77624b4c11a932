# The HEIF samples beside the program, made at build time with Debian's
# encoders: t4.heic (t3's lighthouse as a phone stores a portrait: a grid of
# HEVC tiles stood upright by its rotation property) by make-heif-samples,
# and t5.avif (t2's rosette) by heif-enc. The generator is a program of the
# build machine, so the cross build compiles it with the machine's own
# compiler too.
find_program(VANTA_HEIF_ENC heif-enc REQUIRED)
find_program(VANTA_HOST_CXX NAMES c++ g++ REQUIRED)
find_program(VANTA_PKG_CONFIG pkg-config REQUIRED)
set(samples ${CMAKE_SOURCE_DIR}/tools/samples)
set(generator ${CMAKE_BINARY_DIR}/host/make-heif-samples)
add_custom_command(OUTPUT ${generator}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
  COMMAND sh -c "${VANTA_HOST_CXX} -std=c++20 -O2 ${samples}/MakeHeifSamples.cpp ${samples}/HeifWriter.cpp \
$(${VANTA_PKG_CONFIG} --cflags --libs libheif) -ljpeg -o ${generator}"
  DEPENDS ${samples}/MakeHeifSamples.cpp ${samples}/HeifWriter.cpp ${samples}/HeifWriter.h
  VERBATIM)
set(bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
add_custom_command(OUTPUT ${bin}/t4.heic
  COMMAND ${generator} ${CMAKE_SOURCE_DIR}/data/samples/t3.jpg ${bin}/t4.heic
  DEPENDS ${generator} ${CMAKE_SOURCE_DIR}/data/samples/t3.jpg)
add_custom_command(OUTPUT ${bin}/t5.avif
  COMMAND ${VANTA_HEIF_ENC} -q 60 -o ${bin}/t5.avif ${CMAKE_SOURCE_DIR}/data/samples/t2.jpg > /dev/null
  DEPENDS ${CMAKE_SOURCE_DIR}/data/samples/t2.jpg)
add_custom_target(heif-samples ALL DEPENDS ${bin}/t4.heic ${bin}/t5.avif)
