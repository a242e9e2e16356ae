# The peers of the picture decoders: giflib for GIF and QImage's own reader for BMP. The
# benchmark has its own main (it prints the time ratios at the end), so it links the
# benchmark library itself; libbenchmark_main's main is then never pulled in. The GIF writer
# of the decoder tests makes the benchmark's pictures.
target_link_libraries(tessel_picture_bench PRIVATE benchmark::benchmark)
target_include_directories(tessel_picture_bench PRIVATE
  ${PROJECT_SOURCE_DIR}/tests/imaging/decoders)

find_library(GIF_LIB gif)
find_path(GIF_INCLUDE_DIR gif_lib.h)
if(GIF_LIB AND GIF_INCLUDE_DIR)
  target_include_directories(tessel_picture_bench PRIVATE ${GIF_INCLUDE_DIR})
  target_link_libraries(tessel_picture_bench PRIVATE ${GIF_LIB})
  target_compile_definitions(tessel_picture_bench PRIVATE TESSEL_BENCH_GIFLIB=1)
else()
  message(STATUS "giflib not found: tessel_picture_bench runs without it")
endif()

find_package(Qt6 COMPONENTS Gui)
if(Qt6Gui_FOUND)
  target_link_libraries(tessel_picture_bench PRIVATE Qt6::Gui)
  target_compile_definitions(tessel_picture_bench PRIVATE TESSEL_BENCH_QT=1)
else()
  message(STATUS "Qt6 Gui not found: tessel_picture_bench runs without QImage")
endif()
