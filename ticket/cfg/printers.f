[ticket1]
raw=t
code=4
copies=2
lines before=0
lines after=-1
copy 1 name=CUSTOMER
copy 1 print prices=t
copy 1 print weights=t
copy 2 name=OFFICE
copy 2 print prices=t
copy 2 print weights=f
[log]
raw=t
copies=0
