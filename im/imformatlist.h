/* The built-in format drivers in registration order, one line each: a
 * format's position here is its identifier (IM_BMP is 0), its driver table
 * is imFormat<NAME> (in im<name>.cpp), and the script binding exports the
 * identifier as IM_<NAME>. A new format is its module and one line at the
 * end. Included with IM_FORMAT(NAME) defined; no include guard. */
IM_FORMAT(BMP)
IM_FORMAT(PCX)
IM_FORMAT(GIF)
IM_FORMAT(TIF)
IM_FORMAT(RAS)
IM_FORMAT(SGI)
IM_FORMAT(JPG)
IM_FORMAT(LED)
IM_FORMAT(TGA)
IM_FORMAT(PNG)
