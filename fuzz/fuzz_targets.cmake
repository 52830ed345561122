# The fuzz targets and what each links, for the libFuzzer build and the
# corpus replay alike.
talvir_add_fuzzer(fuzz_hfdl_frame LIBRARIES talvir_protocol talvir_publishing)
talvir_add_fuzzer(fuzz_vhf_frames LIBRARIES talvir_protocol talvir_vhf talvir_testbench)
talvir_add_fuzzer(fuzz_config_files LIBRARIES talvir_protocol talvir_publishing)
talvir_add_fuzzer(fuzz_scenario LIBRARIES talvir_testbench)
talvir_add_fuzzer(fuzz_json_output LIBRARIES talvir_protocol talvir_json_output)
talvir_add_fuzzer(fuzz_feed_protocol LIBRARIES talvir_feed_client)
# The desktop program's option parser knows no Qt: built here without the window.
talvir_add_fuzzer(fuzz_command_line SOURCES ${PROJECT_SOURCE_DIR}/src/ui/talvir_options.cpp
                  LIBRARIES talvir_cli)
talvir_add_fuzzer(fuzz_sound_input LIBRARIES talvir_audio)
