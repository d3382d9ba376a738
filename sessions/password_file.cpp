/*
 * password_file.cpp
 */
