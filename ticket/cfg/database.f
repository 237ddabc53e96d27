[database]
host addr=127.0.0.1
port=5432
dbname=morvik2
user=morvik2
passwd=
