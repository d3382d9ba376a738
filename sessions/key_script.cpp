/*
 * key_script.cpp
 */
