[playlist]
NumberOfEntries=99999999999999999999
File1=x.mp3
