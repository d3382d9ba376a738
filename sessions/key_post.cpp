/*
 * key_post.cpp
 */
