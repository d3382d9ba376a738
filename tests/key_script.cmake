# key_script tests
