/*
 * putty_args.cpp
 */
