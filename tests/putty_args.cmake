# putty_args tests
