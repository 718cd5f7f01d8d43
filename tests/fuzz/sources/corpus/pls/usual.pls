[playlist]
NumberOfEntries=1
File1=http://127.0.0.1:8000/stream
Title1=Radio
Length1=-1
