/*
 * putty_discovery.cpp
 */
